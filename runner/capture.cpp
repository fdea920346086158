#include "runner/capture.h"

#include <iostream>

namespace runner {
namespace {

thread_local std::string* capture_sink = nullptr;

// rdbuf() clears the stream's error state; a failed write must stay visible.
void swap_buffer(std::ostream& stream, std::streambuf* buffer) {
  const std::ios_base::iostate state = stream.rdstate();
  stream.rdbuf(buffer);
  stream.clear(state);
}

}  // namespace

RoutingBuffer::int_type RoutingBuffer::overflow(int_type ch) {
  if (traits_type::eq_int_type(ch, traits_type::eof()))
    return traits_type::not_eof(ch);
  const char c = traits_type::to_char_type(ch);
  return xsputn(&c, 1) == 1 ? ch : traits_type::eof();
}

std::streamsize RoutingBuffer::xsputn(const char* text, std::streamsize count) {
  if (capture_sink != nullptr) {
    capture_sink->append(text, static_cast<std::size_t>(count));
    return count;
  }
  if (original_ == nullptr)
    return 0;  // the stream had no buffer: the write fails
  std::lock_guard lock(forward_lock_);
  return original_->sputn(text, count);
}

int RoutingBuffer::sync() {
  if (capture_sink != nullptr)
    return 0;
  if (original_ == nullptr)
    return -1;
  std::lock_guard lock(forward_lock_);
  return original_->pubsync();
}

OutputCapture::OutputCapture()
    : routed_{{&std::cout, std::cout.rdbuf(), nullptr},
              {&std::cerr, std::cerr.rdbuf(), nullptr},
              {&std::clog, std::clog.rdbuf(), nullptr}} {
  for (Routed& r : routed_) {
    r.router = std::make_unique<RoutingBuffer>(r.original);
    swap_buffer(*r.stream, r.router.get());
  }
}

OutputCapture::~OutputCapture() {
  for (Routed& r : routed_) {
    r.stream->flush();
    swap_buffer(*r.stream, r.original);
  }
}

CaptureScope::CaptureScope(std::string* sink) : previous_(capture_sink) {
  capture_sink = sink;
}

CaptureScope::~CaptureScope() {
  capture_sink = previous_;
}

}  // namespace runner
