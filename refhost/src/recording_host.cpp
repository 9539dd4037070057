#include "pixet/refhost.h"

namespace pixet::refhost {

RecordingHost::Key RecordingHost::KeyOf(const HostTarget& target, HostProperty id) {
  const void* owner = nullptr;
  if (target.kind == HostTarget::Kind::Window) owner = target.window;
  if (target.kind == HostTarget::Kind::Report) owner = target.report;
  return Key{static_cast<int>(target.kind), owner, target.field, static_cast<int>(id)};
}

RecordingHost::Call RecordingHost::Start(Operation operation, const HostTarget& target, HostProperty id) {
  Call call;
  call.operation = operation;
  call.target = target;
  call.id = id;
  return call;
}

std::intptr_t RecordingHost::ReadProperty(const HostTarget& target, HostProperty id) {
  std::lock_guard<std::mutex> lock(mutex_);
  Call call = Start(Operation::Read, target, id);
  auto it = values_.find(KeyOf(target, id));
  call.value = it != values_.end() ? it->second : 0;
  calls_.push_back(call);
  return call.value;
}

void RecordingHost::WriteProperty(const HostTarget& target, HostProperty id, std::intptr_t value) {
  std::lock_guard<std::mutex> lock(mutex_);
  Call call = Start(Operation::Write, target, id);
  call.value = value;
  calls_.push_back(call);
  if (echo_) values_[KeyOf(target, id)] = value;
}

void RecordingHost::WritePropertyText(const HostTarget& target, HostProperty id, const char* text) {
  std::lock_guard<std::mutex> lock(mutex_);
  Call call = Start(Operation::WriteText, target, id);
  call.textNull = text == nullptr;
  if (text != nullptr) call.text = text;
  calls_.push_back(call);
}

void RecordingHost::WritePropertyBytes(const HostTarget& target, HostProperty id, const void* bytes,
                                       std::size_t size) {
  std::lock_guard<std::mutex> lock(mutex_);
  Call call = Start(Operation::WriteBytes, target, id);
  call.size = size;
  if (bytes != nullptr) {
    const auto* first = static_cast<const unsigned char*>(bytes);
    call.bytes.assign(first, first + size);
  }
  calls_.push_back(call);
}

void RecordingHost::Redraw(const HostTarget& target) {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.push_back(Start(Operation::Redraw, target, HostProperty{}));
}

void RecordingHost::ShowMessage(const char* text, const char* caption, MessageIcon icon) {
  std::lock_guard<std::mutex> lock(mutex_);
  Call call = Start(Operation::Message, HostTarget::System(), HostProperty{});
  call.textNull = text == nullptr;
  if (text != nullptr) call.text = text;
  call.captionNull = caption == nullptr;
  if (caption != nullptr) call.caption = caption;
  call.icon = icon;
  calls_.push_back(call);
}

void RecordingHost::SetValue(HostTarget::Kind kind, const void* owner, std::int16_t field, HostProperty id,
                             std::intptr_t value) {
  HostTarget target{kind, nullptr, nullptr, field};
  if (kind == HostTarget::Kind::Window)
    target.window = static_cast<PixetHostWindow*>(const_cast<void*>(owner));
  if (kind == HostTarget::Kind::Report)
    target.report = static_cast<PixetHostReport*>(const_cast<void*>(owner));
  SetValue(target, id, value);
}

void RecordingHost::SetValue(const HostTarget& target, HostProperty id, std::intptr_t value) {
  std::lock_guard<std::mutex> lock(mutex_);
  values_[KeyOf(target, id)] = value;
}

void RecordingHost::SetEchoWrites(bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  echo_ = on;
}

std::size_t RecordingHost::Count(Operation operation) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::size_t n = 0;
  for (const Call& call : calls_)
    if (call.operation == operation) ++n;
  return n;
}

void RecordingHost::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.clear();
}

}  // namespace pixet::refhost
