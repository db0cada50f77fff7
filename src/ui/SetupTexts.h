// src/ui/SetupTexts.h
// The words of the start page and the options page, and the names of what
// an install leaves on the disk.
#pragma once

inline constexpr char InstallButtonText[] = "インストール";
inline constexpr char RemoveButtonText[] = "削除";

inline constexpr char ConfirmCaption[] = "確認";
inline constexpr char UninstallQuestionText[] = "アンインストールしますか？";

// %s: "hoshikage", the folder the install makes in the destination.
inline constexpr char NoteFormat[] = "インストール先に%sフォルダを作成し、そこにインストールします";
// The base folder and "hoshikage", run together without a final backslash.
inline constexpr char FullQuestionFormat[] = "%s%sにフルインストールします。よろしいですか？";
inline constexpr char MinimalQuestionFormat[] = "%s%sに最小インストールします。よろしいですか？";
inline constexpr char LowSpaceQuestionText[] = "インストール先のディスク容量が足りません。強行しますか？";
inline constexpr char PathTooLongText[] =
    "インストール先のフォルダ名が長すぎます。もっと短いフォルダを指定してください。";

inline constexpr char InstallFolderName[] = "hoshikage";
// Appended to ProgramFilesDir with one backslash between.
inline constexpr char DefaultBaseFormat[] = "%s\\%s";
inline constexpr char MakerFolderName[] = "Morihane\\";
inline constexpr char GameExecutableName[] = "hoshi.exe";

// Under the user's Programs folder.
inline constexpr char StartMenuSubfolder[] = "morihane\\～ ほしかげ ～\\";
inline constexpr char ShortcutName[] = "～ ほしかげ ～";
inline constexpr char ShortcutFormat[] = "%s%s.lnk";
