// What the user is told about the job table and job list files. UTF-8 here; the Windows
// build turns the literals into code page 932.
#pragma once

#include <string>

#include "jobs/JobListFile.h"

namespace solvena {

// Stacking a job when every position of the table is in use.
inline constexpr char kJobTableFullCaption[] = "スタック失敗";
inline constexpr char kJobTableFullText[] = "ジョブは128件までしかスタックできません。";

// Loading and saving job lists (caption kJobListErrorCaption, OK button only).
inline constexpr char kJobListErrorCaption[] = "エラー";
inline constexpr char kJobListCannotOpenText[] = "リストファイルを開けませんでした。";
// %d: the line.
inline constexpr char kJobListBadCountFormat[] =
    "リストファイルの%d行目がジョブ数ではありません。\nジョブは読み込まれませんでした。";
// %d: the line, then the number of jobs loaded.
inline constexpr char kJobListIncompleteFormat[] =
    "リストファイルの%d行目のジョブを読めませんでした。\nそれより前の%d件を読み込みました。";
inline constexpr char kJobListTableFullFormat[] =
    "ジョブは128件までです。\nリストファイルの%d行目から後は読み込まれませんでした。(%d件を読み込みました)";
inline constexpr char kJobListSaveFailedText[] = "リストファイルを保存できませんでした。";

// The text for a load's outcome; empty when everything was loaded and nothing needs saying.
std::string JobListLoadMessage(const JobListResult& result);

}  // namespace solvena
