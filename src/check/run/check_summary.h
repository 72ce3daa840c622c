// Finding the failed and partly failed items after a run.
#pragma once

#include <vector>

#include "check/run/check_run_view.h"

// Rows of the log page whose result column is "Fail" or begins with "Ok (".
std::vector<int> collect_failed_rows(CheckRunView& view);
