// What a call, or the press that makes it, may change. A replay runs a press that changes data
// or a device's state only when it is allowed to. There is no default: a row of a button that
// does not say what it changes does not compile.
#pragma once

namespace sys {

class Effect {
  public:
    enum Kind { Reads, Changes };
    constexpr Effect(Kind kind) : kind_(kind) {}  // rows write Effect::Reads or Effect::Changes
    constexpr bool changes() const { return kind_ == Changes; }

  private:
    Kind kind_;
};

}  // namespace sys
