#pragma once
// A download's body, from the answer into the partial file: reads gathered
// and written a buffer at a time, the bar told of every read, a trickle
// given up on, and what came before a failure written so that a resumed
// download starts where the file ends.
#include "net/download_answer_win.h"
#include "sys/transfer_progress.h"

namespace net {

Attempt CopyBody(CGet& get, CPartialFile& partial, CResume& resume, unsigned long long total,
                 CProgressReporter& progress);

// The watch on a transfer that sends too little for too long, as the settings say.
CRateWatch NewRateWatch();
Attempt TooSlow();

}  // namespace net
