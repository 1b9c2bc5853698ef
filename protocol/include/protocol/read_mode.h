#pragma once
// How ReadCommand waits for an answer.

namespace HID {

enum class ReadMode {
  // Waits for an answer up to the link's time-out (mac: 120 ticks; win:
  // 1000 ms) and gives nil only then.
  Waiting,
  // Gives pending events one turn, then takes what has arrived or gives nil
  // (mac). The win link reads as it does when waiting.
  Immediate,
};

}  // namespace HID
