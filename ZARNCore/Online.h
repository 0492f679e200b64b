// The score request's text form.
#pragma once

#include <string>

// The escapes of a score request: each of & \ ' ` " / > # ^ { } < | % ? + $ ,
// and space becomes a five-character "*!X!*" sequence; bytes of 0 and of 128
// and above are dropped; everything else passes unchanged.
std::string EscapeURLData(const std::string& data);
