// One end of a control connection, the server's or the client's: whole lines
// out and whole lines in over a stream socket, which it owns.
//
// Threads: one thread sends and receives; another may only read fd() (to
// shut the socket down) while holding a lock that close() is called under.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "os/sim/control/request.h"

namespace vyx::os::sim {

class LineStream final {
 public:
  LineStream() = default;
  // maxLine bounds what receive() takes for one line: a peer's line that
  // never ends costs that peer, not the reader's memory.
  explicit LineStream(int fd, size_t maxLine = std::string::npos) : fd_(fd), maxLine_(maxLine) {}
  LineStream(LineStream&& other) noexcept;
  LineStream& operator=(LineStream&& other) noexcept;
  LineStream(const LineStream&) = delete;
  LineStream& operator=(const LineStream&) = delete;
  ~LineStream() { close(); }

  // -1 once closed.
  [[nodiscard]] int fd() const { return fd_; }
  void close();

  // Sends all of data; false once the peer is gone.
  [[nodiscard]] bool send(std::string_view data) const;
  // The next whole line without its line feed; nullopt once the peer has
  // closed, or when the line is longer than maxLine (tooLong() then says so).
  [[nodiscard]] std::optional<std::string> receive();
  [[nodiscard]] bool tooLong() const { return tooLong_; }

 private:
  int fd_ = -1;
  size_t maxLine_ = std::string::npos;
  LineBuffer lines_;
  bool tooLong_ = false;
};

}  // namespace vyx::os::sim
