#include "live_view.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>

#include "demo_session.h"

namespace vyx::demo {

namespace {

using namespace std::chrono_literals;

size_t columns(std::FILE* out) {
  winsize ws{};
  if (::ioctl(::fileno(out), TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) return ws.ws_col;
  return 80;
}

// The last `width` code points of a UTF-8 text.
std::string tail(const std::string& text, size_t width) {
  size_t points = 0;
  for (size_t i = text.size(); i > 0; --i) {
    const auto byte = static_cast<unsigned char>(text[i - 1]);
    if ((byte & 0xC0) == 0x80) continue;
    if (++points > width) return "…" + text.substr(i);
  }
  return text;
}

}  // namespace

std::string sourceName(const std::string& id) {
  if (id == "com.apple.keylayout.US") return "U.S.   ";
  if (id == "com.apple.keylayout.Russian") return "Russian";
  return id;
}

LiveView::LiveView(const std::string& socketPath, std::FILE* out)
    : client_(os::sim::DesktopClient::connect(socketPath, 5s)),
      out_(out),
      terminal_(::isatty(::fileno(out)) == 1) {}

Screen LiveView::look() {
  std::string text = client_.text(kTextEdit);
  const size_t nl = text.rfind('\n');
  if (nl != std::string::npos) text.erase(0, nl + 1);
  return Screen{client_.statusItemTitle().value_or(" "), sourceName(client_.currentInputSource()),
                std::move(text)};
}

void LiveView::draw(const Screen& screen) {
  shown_ = screen;
  // Icon, source and the bars take about 14 columns.
  const size_t room = terminal_ ? (columns(out_) > 24 ? columns(out_) - 16 : 8) : 1000;
  const std::string line =
      " " + screen.tray + "  " + screen.source + " │ " + tail(screen.line, room) + "▏";
  if (terminal_) {
    std::fprintf(out_, "\r\033[K%s", line.c_str());
  } else {
    std::fprintf(out_, "%s\n", line.c_str());
  }
  std::fflush(out_);
}

void LiveView::start() {
  if (running_.exchange(true)) return;
  draw(look());
  poller_ = std::thread([this] {
    while (running_.load()) {
      try {
        if (const Screen now = look(); !(now == shown_)) draw(now);
      } catch (const os::sim::ControlError&) {
        return;  // vyx went away; the driver reports it
      }
      std::this_thread::sleep_for(3ms);
    }
  });
}

void LiveView::stop() {
  if (!running_.exchange(false)) return;
  poller_.join();
  try {
    if (const Screen now = look(); !(now == shown_)) draw(now);
  } catch (const os::sim::ControlError&) {
  }
  if (terminal_) std::fprintf(out_, "\n");
  std::fflush(out_);
}

}  // namespace vyx::demo
