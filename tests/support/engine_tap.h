// Replaces one engine table entry for a scope: records the arguments of every call and
// then calls the entry it replaced, or answers a fixed status instead (to make a call
// fail). An `after` hook sees the arguments once the replaced entry has run, for
// out-parameters. One tap per entry at a time; restore order is the reverse of setup.
#pragma once

#include <functional>
#include <optional>
#include <tuple>
#include <type_traits>
#include <vector>

#include "core/engine.h"

namespace pixet::testing {

template <class T>
struct table_member;
template <class T, class C>
struct table_member<T C::*> {
  using type = T;
};

template <auto Member, class Fn = typename table_member<decltype(Member)>::type>
class EngineTap;

template <auto Member, class R, class... P>
class EngineTap<Member, R(WINGDIPAPI*)(P...)> {
 public:
  using Args = std::tuple<std::decay_t<P>...>;

  EngineTap() : replaced_(PixetEngineTable()->*Member) {
    state() = State{};
    state().replaced = replaced_;
    PixetEngineTable()->*Member = &Call;
  }
  explicit EngineTap(R answer) : EngineTap() { state().answer = answer; }
  ~EngineTap() { PixetEngineTable()->*Member = replaced_; }
  EngineTap(const EngineTap&) = delete;
  EngineTap& operator=(const EngineTap&) = delete;

  const std::vector<Args>& calls() const { return state().calls; }
  void after(std::function<void(P...)> hook) { state().after = std::move(hook); }

 private:
  struct State {
    R(WINGDIPAPI* replaced)(P...) = nullptr;
    std::optional<R> answer;
    std::vector<Args> calls;
    std::function<void(P...)> after;
  };
  static State& state() {
    static State s;
    return s;
  }
  static R WINGDIPAPI Call(P... args) {
    State& s = state();
    s.calls.emplace_back(args...);
    if (s.answer) return *s.answer;
    R result = engine::Call(s.replaced, args...);
    if (s.after) s.after(args...);
    return result;
  }

  R(WINGDIPAPI* replaced_)(P...);
};

}  // namespace pixet::testing
