// The guard at the flat C functions: nothing thrown crosses them.
#pragma once

namespace pixet {

// Calls `call` on `*target`; a null target or anything thrown gives `failed`.
template <class Result, class Target, class Call>
Result GuardedCall(Target* target, Result failed, Call&& call) noexcept {
  if (target == nullptr) return failed;
  try {
    return call(*target);
  } catch (...) {
    return failed;
  }
}

template <class Target, class Call>
void GuardedCall(Target* target, Call&& call) noexcept {
  GuardedCall(target, 0, [&](Target& t) {
    call(t);
    return 0;
  });
}

}  // namespace pixet
