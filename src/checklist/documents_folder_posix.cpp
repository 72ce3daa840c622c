#include "checklist/documents_folder.h"

#include <cstdlib>

#include "common/text_convert.h"

std::wstring user_documents_folder()
{
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        return {};
    return from_utf8(home) + L"/Documents";
}
