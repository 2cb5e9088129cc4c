// The stream calls of the library, wrapped at link time (--wrap) in the
// test programs of a failure-injection build: each counts as a stream call
// that can be told to fail (zqhost::faults), and the wrappers keep track of
// the streams opened and of the bytes each took before the failure.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace zqtest::faults {

// A stream opened through the wrapped fopen.
struct TrackedStream {
  FILE *stream = nullptr;
  std::string name;
  bool open = true;
  // The bytes fwrite accepted before the armed failure happened: they must
  // be in the file in the end.
  std::string accepted;
};

// The streams opened since the last forgetStreams(), in order.
const std::vector<TrackedStream> &trackedStreams();
void forgetStreams();

// True while the wrappers keep their own records: the memory they take for
// that is the test's, not the program's, and must not be made to fail.
bool keepingRecords();

}  // namespace zqtest::faults
