// What the log needs from the system; one implementation per tree.
#pragma once

#include <cstdio>
#include <string>

class CSCLogLock;

namespace log_platform {

CSCLogLock* create_lock();
void destroy_lock(CSCLogLock* lock);
void enter(CSCLogLock* lock);
void leave(CSCLogLock* lock);

long increment(volatile long* value);
long decrement(volatile long* value);
long exchange(volatile long* value, long new_value);
void sleep_a_moment();

// Opens the file for appending UTF-8 text (byte-order mark on a new or empty file).
FILE* open_append(const std::wstring& path);
// Writes the text as UTF-8 with every "\n" as CR LF.
void write_text(FILE* file, const std::wstring& text);

// The computer's name, for the log's start banner.
std::wstring device_name();

// A relative path made full, or the path as it was when that fails.
std::wstring full_path(const std::wstring& path);

}  // namespace log_platform
