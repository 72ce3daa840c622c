// The default web browser by name, the button picture that goes with it, and
// the two check-list addresses the download help offers to open in it.
#pragma once

#include <string>

// The browser's display name from its programmatic identifier: "Google Chrome",
// "Microsoft Edge", "Mozilla Firefox", "Internet Explorer" or "Naver Whale" by
// case-sensitive substring (first hit wins); any other ProgId is its own name.
std::wstring browser_name_from_prog_id(const std::wstring& prog_id);

// Picture resources of the browser buttons.
constexpr int kBrowserImageChrome = 174;
constexpr int kBrowserImageEdge = 175;
constexpr int kBrowserImageFirefox = 176;
constexpr int kBrowserImageSafari = 178;

// The picture for a browser name: "chrome", then "safari", then "firefox" in any
// case; Edge's picture for every other name, the empty one included.
int browser_image_id(const std::wstring& browser_name);

// "http://<host>:80<path>" and "https://<host>:443<path>"; the path keeps its
// leading "/" as the download used it.
std::wstring help_http_address(const std::wstring& host, const std::wstring& path);
std::wstring help_https_address(const std::wstring& host, const std::wstring& path);
