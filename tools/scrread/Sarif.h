// SARIF 2.1.0 output (--format sarif), which code-scanning services read: one run of scrread, a
// rule per message code met, a result per diagnostic with its place, and the notes (includes,
// script-function calls) as related locations.
#pragma once

#include <string>
#include <vector>

#include "Report.h"

// The whole SARIF log. `all`: the messages after a file's first error are results too, with the
// property "afterFirstError".
std::string SarifLog(const std::vector<FileReport>& reports, bool all, const char* version);

// A file name as a URI reference: bytes other than unreserved characters and '/' are
// percent-encoded.
std::string UriReference(const std::string& path);
