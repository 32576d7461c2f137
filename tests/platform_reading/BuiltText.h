// Runs a reading builder into a fresh text buffer and hands back what it
// wrote, for the tests of both reading builders.
#pragma once

#include <string>

#include "engine/TextBuf.h"

// The text build(&buffer) leaves in a new buffer; "<null>" when the buffer
// holds none.
template <typename Build>
std::string BuiltText(Build build) {
  TextBuf out;
  TextBufInit(&out);
  build(&out);
  const char* text = TextBufGet(&out);
  std::string result = text ? text : "<null>";
  TextBufFree(&out);
  return result;
}
