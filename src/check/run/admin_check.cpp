#include "check/run/admin_check.h"

#ifndef _WIN32
#include <unistd.h>

bool is_administrator_account()
{
    return geteuid() == 0;
}
#endif
