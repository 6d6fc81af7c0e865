#pragma once
#include <vector>

#include "text/text.h"

namespace halvit {

// One event of the main window. `control` carries the control number of an EVENT_GADGET and
// the command number of an EVENT_MENU; `type` the control event type.
struct Event {
  int number = 0;
  int control = 0;
  int type = 0;
  Text droppedText;             // EVENT_DROP of text
  std::vector<Text> droppedFiles;  // EVENT_DROP of files

  bool sameAs(const Event& other) const {
    return number == other.number && control == other.control && type == other.type;
  }
};

}  // namespace halvit
