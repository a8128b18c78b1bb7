#pragma once
// The id a machine goes by in broker topics, made from its name.
#include <string>

namespace tobrak {

// A lower-case ASCII slug of `name` (letters and digits, '-' between words, at
// most 24 characters) and 8 hex digits of a hash of the whole name: stable from
// run to run, never '/', '+', '#' or a space, and two names that give the same
// slug (Japanese ones give none) still differ. An empty name is "machine-…".
std::string machineTopicId(const std::string& name);

}  // namespace tobrak
