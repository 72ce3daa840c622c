#include "widgets/theme/theme_colours.h"

const CSCTheme& default_theme()
{
    static const CSCTheme theme;
    return theme;
}
