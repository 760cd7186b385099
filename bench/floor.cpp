// The floor for netstep's interactive screens: the least a program can do to
// show them. It sets raw mode, writes the help table and the first prompt in
// one write, echoes one write per key and writes the four answer lines; no
// terminal queries, no screen model. The benchmark times it as it times
// netstep, and reports netstep's figures as ratios to these.
//
// Keys: text is echoed; Enter ends the address and then the mask line; Esc
// clears the line being typed, leaves the network view, and "n" at the
// new-task prompt ends the program. Nothing else is understood.
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

termios saved;

void Put(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return;
    done += size_t(n);
  }
}

// "a.b.c.d" with missing parts as 0; enough for the benchmark's inputs.
uint32_t Dotted(const std::string& text) {
  unsigned part[4] = {0, 0, 0, 0};
  std::sscanf(text.c_str(), "%u.%u.%u.%u", &part[0], &part[1], &part[2], &part[3]);
  return part[0] << 24 | part[1] << 16 | part[2] << 8 | part[3];
}

std::string Text(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", value >> 24, value >> 16 & 255, value >> 8 & 255,
                value & 255);
  return text;
}

std::string FirstScreen() {
  static const char* const table[] = {"10000000 - 128", "11000000 - 192", "11100000 - 224",
                                      "11110000 - 240", "11111000 - 248", "11111100 - 252",
                                      "11111110 - 254", "11111111 - 255"};
  std::string screen = "\x1b[H\x1b[2J";
  for (int row = 0; row < 8; ++row) {
    screen += "\x1b[" + std::to_string(row + 1) + ";50H" + table[row];
  }
  return screen + "\x1b[HEnter IP address : ";
}

std::string Answer(const std::string& addressText, const std::string& maskText) {
  const uint32_t address = Dotted(addressText), mask = Dotted(maskText);
  const uint32_t network = address & mask, broadcast = address | ~mask;
  return "\r\n\r\nIP Network address - " + Text(network) + "\r\nFirst Host IP address - " +
         Text(network + 1) + "\r\nLast Host IP address - " + Text(broadcast - 1) +
         "\r\nBroadcast address  - " + Text(broadcast) +
         "\r\n\r\n\r\nEnter (+) for next or (-) for previous network or (Esc) for EXIT";
}

enum class Stage { address, mask, view, newTask };

}  // namespace

int main() {
  tcgetattr(STDIN_FILENO, &saved);
  termios raw = saved;
  cfmakeraw(&raw);
  tcsetattr(STDIN_FILENO, TCSANOW, &raw);
  Put(FirstScreen());
  Stage stage = Stage::address;
  std::string line, address;
  char keys[256];
  for (;;) {
    const ssize_t n = read(STDIN_FILENO, keys, sizeof keys);
    if (n <= 0) break;
    for (ssize_t i = 0; i < n; ++i) {
      const char key = keys[i];
      if (stage == Stage::newTask) {
        if (key == 'n') {
          tcsetattr(STDIN_FILENO, TCSANOW, &saved);
          return 0;
        }
        stage = Stage::address;
        line.clear();
        Put(FirstScreen());
      } else if (stage == Stage::view) {
        if (key == 27) {
          stage = Stage::newTask;
          Put("\r\n\r\nNew Task Y/N  -  Y");
        }
      } else if (key == '\r' || key == '\n') {
        if (stage == Stage::address) {
          address = line;
          Put("\r\nEnter SubNet Mask : ");
          stage = Stage::mask;
        } else {
          Put(Answer(address, line));
          stage = Stage::view;
        }
        line.clear();
      } else if (key == 27) {
        // Back over the typed text and blank it (CUB, ECH), table untouched.
        if (!line.empty()) {
          const std::string count = std::to_string(line.size());
          Put("\x1b[" + count + "D\x1b[" + count + "X");
        }
        line.clear();
      } else {
        line += key;
        Put(std::string(1, key));
      }
    }
  }
  tcsetattr(STDIN_FILENO, TCSANOW, &saved);
  return 0;
}
