#pragma once

// Ids of the program's resources: dialog end codes, softkey bars and their menus,
// command ids, the icon and the pieces bitmap.

// Dialog end codes and the commands that Return and the back key send.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// Softkey bars. Each bar's popups live in the menu of the same id.
inline constexpr int kBarChoice = 110;          // Add new line, Choose move, Choose Piece
inline constexpr int kBarGamesList = 117;       // games list
inline constexpr int kBarBoard = 118;           // game display, board mode
inline constexpr int kBarNewGame = 120;         // New Game
inline constexpr int kBarMoveList = 121;        // game display, list mode
inline constexpr int kBarSendMove = 122;        // Send move
inline constexpr int kBarStudiedMoves = 123;    // Get answer, studied moves
inline constexpr int kBarAnswerMessages = 124;  // Get answer, messages and lines
inline constexpr int kBarAbout = 125;           // About box
inline constexpr int kBarSettings = 126;        // Settings

// Commands sent by softkeys and menu items.
inline constexpr int kCmdGameMenu = 40004;
inline constexpr int kCmdNewGame = 40006;
inline constexpr int kCmdViewMoveList = 40025;
inline constexpr int kCmdShowBoard = 40026;
inline constexpr int kCmdDeleteMove = 40028;
inline constexpr int kCmdOpen = 40037;
inline constexpr int kCmdQuit = 40038;
inline constexpr int kCmdGamesListMenu = 40041;
inline constexpr int kCmdSaveClose = 40042;
inline constexpr int kCmdCloseNoSave = 40044;
inline constexpr int kCmdPromote = 40045;
inline constexpr int kCmdSendMove = 40047;
inline constexpr int kCmdGoToCurrent = 40048;
inline constexpr int kCmdSend = 40049;
inline constexpr int kCmdGetAnswer = 40050;
inline constexpr int kCmdResultWhiteWins = 40051;
inline constexpr int kCmdResultDraw = 40052;
inline constexpr int kCmdResultBlackWins = 40053;
inline constexpr int kCmdNext = 40054;
inline constexpr int kCmdAbout = 40057;
inline constexpr int kCmdAboutOk = 40058;
inline constexpr int kCmdSettings = 40059;

// The program's icon and the pieces bitmap, as Qt resource paths.
inline constexpr int kIconProgram = 101;
inline constexpr int kBitmapPieces = 118;
inline constexpr const char* kIconProgramPath = ":/korvani/icon/101.png";
inline constexpr const char* kBitmapPiecesPath = ":/korvani/bitmap/118.png";
