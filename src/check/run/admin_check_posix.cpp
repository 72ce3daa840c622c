#include "check/run/admin_check.h"

#include <unistd.h>

bool is_administrator_account()
{
    return geteuid() == 0;
}
