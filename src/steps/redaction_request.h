// Whether saved archives are redacted: asked for by the command line (/redact,
// --redact) or by the check list ("redact": true). Any of them turns it on for
// the rest of the process; nothing turns off what one of them asked for.
#pragma once

enum class RedactionAsker
{
    command_line,
    check_list,
};

void request_redaction(RedactionAsker asker);
bool redaction_requested();
