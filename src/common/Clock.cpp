#include "common/Clock.h"

namespace tlx {

double SecondsOfDay(const LocalDateTime& t) {
  return t.hour * 3600.0 + t.minute * 60.0 + t.second + t.millisecond / 1000.0;
}

}  // namespace tlx
