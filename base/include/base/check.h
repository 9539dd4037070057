// Debug checks on the owners' invariants and the library's internal contracts, in the
// manner of Chromium's DCHECK. In a build with PIXET_DCHECKS (the DLL the tests run), a
// check that fails writes what failed and where, and ends the process on the spot, so the
// test that got there fails at the fault rather than at its consequences. Without it (the
// release DLL) the condition is compiled but never evaluated, and no check is left.
#pragma once

namespace pixet {

#if defined(PIXET_DCHECKS)
constexpr bool kDChecks = true;
#else
constexpr bool kDChecks = false;
#endif

[[noreturn]] void CheckFailed(const char* condition, const char* file, int line) noexcept;

}  // namespace pixet

#if defined(PIXET_DCHECKS)
#define PIXET_DCHECK(condition) \
  ((condition) ? static_cast<void>(0) : ::pixet::CheckFailed(#condition, __FILE__, __LINE__))
#else
#define PIXET_DCHECK(condition) static_cast<void>(sizeof((condition) ? 1 : 0))
#endif
