// The server kinds a check list may name, in group order.
#pragma once

#include <map>
#include <string>

// Kind key -> display name. std::map orders the keys by code unit, which is the
// order of the groups; a kind's position in it is its items' kind index.
using ServerKinds = std::map<std::wstring, std::wstring>;

// api, gateway, ios, proxy, session, update, web with their Korean display names.
ServerKinds default_server_kinds();

// Session, gateway and streaming servers speak the product's own TCP protocol;
// the others are tested with an HTTP request.
bool is_socket_kind(const std::wstring& key);
