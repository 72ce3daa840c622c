// Certificate names ("CN=gw.corp.local, OU=IT, O=Vantu Bank, L=Palo Alto, C=KR")
// read attribute by attribute: which product issued a certificate is read from
// CN, O and OU only (a locality is no product), and the host names and
// addresses a name carries are masked like every other address the tool shows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct NameAttribute
{
    std::wstring key;   // upper case: "CN", "O", "OU", ...
    std::wstring value; // unquoted, escapes removed
};

// The attributes of a name as CertNameToStr writes it (X500, ", " or "; "
// between attributes, "+" in a multi-valued one, values quoted or escaped).
std::vector<NameAttribute> split_distinguished_name(std::wstring_view name);

// The values of CN, O and OU, one per line: what an issuer's product is read from.
std::wstring identity_fields(std::wstring_view name);

// The name for display: host names and addresses in CN, DC and e-mail values
// masked with mask_host; organisation, unit, place and country as they are.
std::wstring masked_distinguished_name(std::wstring_view name);

// An automatic-configuration URL for display: its masked host and its file
// name; a file: URL (which may hold a user's folder) its file name only.
std::wstring masked_config_url(std::wstring_view url);
