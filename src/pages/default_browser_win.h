// The display name of the program the system uses for https links.
#pragma once

#include <string>

// Asks the association service, then the user's https choice in the registry,
// and names the ProgId (browser_name_from_prog_id); empty when nothing is found.
std::wstring default_browser_name();
