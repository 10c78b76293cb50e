// Value count of a record layout.
#include "decode/record_layout.h"

int64_t RecordValueCount(const RecordLayout& layout) {
  if (layout.statusParams < 0 || layout.numDevices < 0 || layout.acParams < 0) {
    return 0;
  }
  return int64_t{layout.statusParams} + int64_t{layout.numDevices} * int64_t{layout.acParams};
}
