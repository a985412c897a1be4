// What a control operation is: its name, the members of its request and of
// its reply, and what it does to the desktop. Both ends are derived from that
// one description: the server reads the request's members and writes the
// reply's, the client writes the request's and reads the reply's, with the
// same names and the same JSON codecs.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <tuple>
#include <type_traits>
#include <utility>

#include "os/sim/control/protocol.h"
#include "os/sim/desktop.h"

namespace vyx::os::sim {

// One member (name and value) of a request or a reply, of type T.
template <class T>
struct Member {
  const char* key;
  // What a request that leaves the member out means; without one the
  // member is required.
  std::optional<T> fallback;
};

template <class T>
[[nodiscard]] Member<T> member(const char* key) {
  return {key, std::nullopt};
}
template <class T>
[[nodiscard]] Member<T> member(const char* key, T fallback) {
  return {key, std::optional<T>(std::in_place, std::move(fallback))};
}

// Args and Reply are tuples of Members; act takes the desktop and the
// arguments' values in order, and returns nothing, the reply's one value, or
// a tuple of its values.
template <class Args, class Reply, class Act>
struct Operation {
  const char* name;
  Args args;
  Reply reply;
  Act act;
};
template <class Args, class Reply, class Act>
Operation(const char*, Args, Reply, Act) -> Operation<Args, Reply, Act>;

// A Desktop method as an act. Nothing of the desktop is linked into a
// program that only describes the operation, as the client does.
template <auto method>
inline constexpr auto act = [](Desktop& desktop, auto&&... args) {
  return std::invoke(method, desktop, std::forward<decltype(args)>(args)...);
};

template <class... T>
[[nodiscard]] Json encodeMembers(const std::tuple<Member<T>...>& members,
                                 const std::type_identity_t<T>&... values) {
  Json out = Json::object();
  std::apply([&](const Member<T>&... m) { ((out[m.key] = values), ...); }, members);
  return out;
}

// Throws, as nlohmann-json does, for a required member that is missing or a
// member of the wrong type.
template <class T>
[[nodiscard]] T decodeMember(const Json& in, const Member<T>& m) {
  if (!m.fallback) return in.at(m.key).template get<T>();
  const auto it = in.find(m.key);
  return it == in.end() ? *m.fallback : it->template get<T>();
}

// Nothing, the one value, or a tuple of the values.
template <class... T>
[[nodiscard]] auto decodeReply(const std::tuple<Member<T>...>& members, const Json& in) {
  if constexpr (sizeof...(T) == 1) {
    return decodeMember(in, std::get<0>(members));
  } else if constexpr (sizeof...(T) > 1) {
    return std::apply(
        [&](const Member<T>&... m) { return std::tuple<T...>{decodeMember(in, m)...}; }, members);
  }
}

// The server's side: the reply's members for a request, without the envelope.
template <class Args, class Reply, class Act>
[[nodiscard]] Json serveOperation(const Operation<Args, Reply, Act>& op, Desktop& desktop,
                                  const Json& request) {
  return std::apply(
      [&]<class... T>(const Member<T>&... m) {
        // Braces read the members in order, so a request missing several is
        // told of the first.
        std::tuple<T...> values{decodeMember(request, m)...};
        return std::apply(
            [&](T&... v) {
              using Result = std::invoke_result_t<const Act&, Desktop&, T&&...>;
              if constexpr (std::is_void_v<Result>) {
                op.act(desktop, std::move(v)...);
                return Json::object();
              } else if constexpr (std::tuple_size_v<Reply> == 1) {
                return encodeMembers(op.reply, op.act(desktop, std::move(v)...));
              } else {
                return std::apply([&](const auto&... r) { return encodeMembers(op.reply, r...); },
                                  op.act(desktop, std::move(v)...));
              }
            },
            values);
      },
      op.args);
}

}  // namespace vyx::os::sim
