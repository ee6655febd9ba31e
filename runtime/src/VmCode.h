// The compiled form of a program or condition (private to the runtime).
#pragma once

#include <vector>

struct SgCode {
  unsigned epoch = 0;
};
