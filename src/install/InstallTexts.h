// src/install/InstallTexts.h
// The words of the install run.
#pragma once

inline constexpr char AbortQuestionText[] = "インストールを中断しますか？";
inline constexpr char AbortCaption[] = "中断";

inline constexpr char Disc1PromptText[] = "ほしかげのInstall Disc1をセットしてください";
inline constexpr char Disc2PromptText[] = "ほしかげのInstall Disc2をセットしてください";
inline constexpr char DiscPromptCaption[] = "ディスク交換";

// %s: the entry, or inside a folder entry the file's own name.
inline constexpr char CopyFailedFormat[] = "%sのコピーに失敗しました";

inline constexpr char CompletedText[] = "インストールが完了しました。Game Discをセットして起動してください";
inline constexpr char CompletedCaption[] = "終了";

// %s: the full source path.
inline constexpr char CopyingFormat[] = "%sをコピー中...";
// The total first, then the files copied so far.
inline constexpr char CountFormat[] = "%dファイル中%dファイルコピー完了";
