// Per-case output capture. While an OutputCapture lives, std::cout, std::cerr
// and std::clog write through a buffer that sends the text of a capturing
// thread to that thread's own sink and everything else to the original stream.
#pragma once

#include <iosfwd>
#include <memory>
#include <mutex>
#include <streambuf>
#include <string>

namespace runner {

// Routes one stream: the calling thread's sink when it has one, else the
// original buffer (serialised, so that threads without a sink may share it).
class RoutingBuffer final : public std::streambuf {
 public:
  explicit RoutingBuffer(std::streambuf* original) : original_(original) {}

 protected:
  int_type overflow(int_type ch) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

 private:
  std::streambuf* original_;
  std::mutex forward_lock_;
};

// Installs routing buffers on the standard output streams; restores the
// originals when it ends. Create it before the first worker starts and end it
// after the last one was joined.
class OutputCapture {
 public:
  OutputCapture();
  ~OutputCapture();
  OutputCapture(const OutputCapture&) = delete;
  OutputCapture& operator=(const OutputCapture&) = delete;

 private:
  struct Routed {
    std::ostream* stream;
    std::streambuf* original;
    std::unique_ptr<RoutingBuffer> router;
  };
  Routed routed_[3];
};

// Makes `sink` the calling thread's capture sink for the scope's lifetime; a
// null sink leaves the thread's output uncaptured.
class CaptureScope {
 public:
  explicit CaptureScope(std::string* sink);
  ~CaptureScope();
  CaptureScope(const CaptureScope&) = delete;
  CaptureScope& operator=(const CaptureScope&) = delete;

 private:
  std::string* previous_;
};

}  // namespace runner
