#include "os/sim/control/line_stream.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace vyx::os::sim {

LineStream::LineStream(LineStream&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      maxLine_(other.maxLine_),
      lines_(std::move(other.lines_)),
      tooLong_(other.tooLong_) {}

LineStream& LineStream::operator=(LineStream&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = std::exchange(other.fd_, -1);
    maxLine_ = other.maxLine_;
    lines_ = std::move(other.lines_);
    tooLong_ = other.tooLong_;
  }
  return *this;
}

void LineStream::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool LineStream::send(std::string_view data) const {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::send(fd_, data.data() + done, data.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

std::optional<std::string> LineStream::receive() {
  char chunk[16384];
  for (;;) {
    if (std::optional<std::string> line = lines_.next()) {
      tooLong_ = line->size() > maxLine_;
      if (tooLong_) return std::nullopt;
      return line;
    }
    if (lines_.partial() > maxLine_) {
      tooLong_ = true;
      return std::nullopt;
    }
    const ssize_t n = ::recv(fd_, chunk, sizeof(chunk), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return std::nullopt;
    lines_.append(chunk, static_cast<size_t>(n));
  }
}

}  // namespace vyx::os::sim
