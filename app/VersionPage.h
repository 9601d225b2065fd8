// The text under the logo on the バージョン情報 page: an empty line, the home page, the credit.
#pragma once

namespace solvena::app {

inline constexpr char kVersionText[] =
    "\r\n"
    "公式ホームページ https://solvena.example/\r\n"
    "制作：ソルベーナ開発チーム  ご意見をお待ちしています";

}  // namespace solvena::app
