#include "link/protocol.h"

#include <string>

#include "link/numbers.h"

namespace kelt {

void SendCommand(Link& link, std::string_view word) { link.Send(std::string(word)); }

void SendCommand(Link& link, std::string_view word, double value) {
    link.Send(std::string(word) + NumberText(value));
}

}  // namespace kelt
