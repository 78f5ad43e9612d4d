// Sense data in words, from the console's sense texts: one place that every
// report of a sense key, ASC and ASCQ reads.
#pragma once

#include <cstddef>
#include <string>

// The meaning of an ASC/ASCQ pair into `text` (cut to `size`, never past
// it): its text, the component failure of ASC 40h, or "UNKNOWN ERROR." for a
// pair the console does not name. Allocates nothing, for the command path.
void AscWords(int asc, int ascq, char* text, size_t size);

// Key name and pair meaning, e.g. "NOT READY, MEDIUM NOT PRESENT.".
std::string SenseWords(int key, int asc, int ascq);
