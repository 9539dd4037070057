// The guards at the DLL's boundary: nothing thrown inside crosses it. A host built with
// another runtime cannot catch our exceptions (the 32-bit build even has an unwinder per
// module), so an exception that left an exported method or C function would end the host.
#pragma once

namespace pixet {

// Runs an exported method's body; anything thrown gives `failed` instead.
template <class Result, class Body>
Result Guarded(Result failed, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return failed;
  }
}

template <class Body>
void Guarded(Body&& body) noexcept {
  try {
    body();
  } catch (...) {
  }
}

// Calls `call` on `*target` for a flat C function; a null target or anything thrown gives
// `failed`.
template <class Result, class Target, class Call>
Result GuardedCall(Target* target, Result failed, Call&& call) noexcept {
  if (target == nullptr) return failed;
  return Guarded(failed, [&] { return call(*target); });
}

template <class Target, class Call>
void GuardedCall(Target* target, Call&& call) noexcept {
  GuardedCall(target, 0, [&](Target& t) {
    call(t);
    return 0;
  });
}

}  // namespace pixet
