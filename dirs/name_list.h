// Lists of names as the host's directory services give them: NUL-terminated
// names one after another, the whole ended by an empty name.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "common/owned.h"

namespace zq::dirs {

// The name after `name`, or null when the list ends there. With
// stripExtension, `name` is first cut at its last "." (a.b.c becomes a.b,
// .profile becomes empty); the step still goes from where it ended before
// the cut.
char *nextName(char *name, bool stripExtension);

// Number of names in `list`, stepping without cutting; the first name
// counts even when it is empty.
std::size_t countNames(char *list);

// An array of `count` name pointers (utCalloc; "Out of memory." when it
// cannot be had).
common::UtBlock<char *> namePointers(std::size_t count);

// Sorts names by byte value (upper case before lower case).
void sortNames(std::span<char *> names);

// A list of the one name `text` (its length plus three zeroed bytes).
common::UtBlock<char> singleNameList(std::string_view text);

}  // namespace zq::dirs
