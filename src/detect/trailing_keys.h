// What a final punctuation key after a word typed on QWERTY can mean. Two
// people could have typed it:
//   * an English typist, after an English word: only the marks that end a
//     word in English prose (, . ; ! ?) and the apostrophe of possessives and
//     elisions (students', goin'). Brackets open or close a group and come
//     with their partner, the grave accent and backslash are no prose marks,
//     and the shifted digits are symbols (@ # $ % ^ & *) that English puts
//     before words or between them; on the Russian layout ^ & * are the comma,
//     full stop and semicolon, so after a word they point to a Russian typist.
//   * a Russian typist on the wrong layout: the comma, full stop and
//     semicolon keys may be punctuation meant on the other layout (the rank
//     rule weighs them against the letters б, ю, ж), but the keys of х, ъ, э
//     and ё ([ ] ' ` \) are letters: nobody ends a Russian word with a
//     bracket, a backtick, a backslash or an apostrophe.
// Constant, so any thread may call these.
#pragma once

namespace vyx {

// A key an English typist types right after an English word.
[[nodiscard]] constexpr bool endsEnglishWord(char32_t key) {
  switch (key) {
    case U',':
    case U'.':
    case U';':
    case U'!':
    case U'?':
    case U'\'':
      return true;
    default:
      return false;
  }
}

// A letter key (punctLetterKeys) that may be read as the punctuation it shows
// on QWERTY after a Russian word typed on the wrong layout.
[[nodiscard]] constexpr bool letterKeyMayBePunct(char32_t key) {
  return key == U',' || key == U'.' || key == U';';
}

}  // namespace vyx
