// ReaderRequest: what the host asks of one reader (its limits, the folder it may read beneath, its file)
// and the request's form on the wire: options with their values, then "--" and the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "import/ImportScene.h"

namespace PM::Import {

struct ReaderRequest {
  ReaderLimits limits;           // the wall-clock time-out is the host's alone and not sent
  uint64_t addressSpaceCap = 0;  // what the address space may grow to (the hard limit)
  std::string assetRoot;
  std::vector<std::string> texturePath;  // folders textures are also looked for in, in order
  std::string file;
};

// Every option of a request with the field it fills, each named once: a field listed here is sent and
// read (a std::vector<std::string> field is an option given once a value).
template <class Request, class Visit>
void ForEachReaderOption(Request& request, Visit&& visit) {
  visit("--address-space", request.limits.addressSpace);
  visit("--address-space-cap", request.addressSpaceCap);
  visit("--cpu-seconds", request.limits.cpuSeconds);
  visit("--output-bytes", request.limits.outputBytes);
  visit("--asset-root", request.assetRoot);
  visit("--texture-path", request.texturePath);
}

// "usage: pm-import-reader [--address-space VALUE] ... -- FILE", every option named.
std::string ReaderUsage();
// The request as arguments: its options (numbers always, strings when not empty), "--" and the file.
std::vector<std::string> ReaderArguments(const ReaderRequest& request);
// The request the arguments make. False, with `error` naming the option or value at fault, when they
// make none (an option unknown or without its value, a number out of its field's range, no "-- FILE").
bool ParseReaderArguments(const std::vector<std::string>& args, ReaderRequest& request, std::string& error);

}  // namespace PM::Import
