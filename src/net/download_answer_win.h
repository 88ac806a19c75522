#pragma once
// Whether a download's answer may be taken, and where its bytes go: the whole
// file (200), the rest of the one a first answer began (206 with the same
// strong validator and total), or a part that cannot be had (416: asked for
// whole once more); anything else ends the attempt.
#include <string>
#include <vector>

#include "net/partial_file_win.h"
#include "net/request_win.h"

namespace net {

// How much of the package the partial file holds, and whether the server
// lets the next attempt ask for only the rest.
struct CResume {
    unsigned long long received = 0;
    std::string validator;         // strong ETag, else Last-Modified, of the answer the bytes came from
    unsigned long long total = 0;  // the whole file's length as that answer announced it
    bool ranges = false;
};

// The request headers that ask for the rest; none before the first byte.
std::vector<std::wstring> ResumeHeaders(const CResume& resume);

// Checks the answer of one attempt and sets where its bytes go; total: the
// size of the whole package, 0 when not announced. A 416 to a ranged request
// empties the partial file and ends as Status 416.
Attempt AcceptAnswer(const CGet& get, CPartialFile& partial, CResume& resume, unsigned long long& total);

// A local file's step that failed: never the connection's.
Attempt FileFailed(const char* step, DWORD error);

// An answer with an error status; Retry-After kept.
Attempt StatusFailure(const CGet& get);

}  // namespace net
