#pragma once
// The id a machine goes by in broker topics, made from its name.
#include <string>

namespace tobrak {

// A lower-case ASCII slug of `name` (letters and digits, '-' between words, at
// most 24 characters) and 8 hex digits of a hash of the whole name: stable from
// run to run, never '/', '+', '#' or a space, and two names that give the same
// slug (Japanese ones give none) still differ. An empty name is "machine-…".
std::string machineTopicId(const std::string& name);

// The name a machine goes by on a broker: its name, then the hall and the
// number ("サンプル機 駅前 12番台"), so that two machines of one name in a hall
// keep apart. Parts not set are left out.
std::string machineBrokerName(const std::string& name, const std::string& hall, const std::string& number);

}  // namespace tobrak
