// The current user's documents folder.
#pragma once

#include <string>

// On Windows the shell's personal folder; elsewhere $HOME/Documents. Empty when
// it cannot be found.
std::wstring user_documents_folder();
