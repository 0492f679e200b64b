// The rules' level builder, target estimator and board rules under the
// game's own names, and the log line of each level built.
#include "rules/LevelTable.h"
#include "shell/MyGame.h"

void MyGame::GetLev(int advance) { Rules.GetLev(advance); }
void MyGame::FindPaths() { Rules.FindPaths(); }
BoardCell& MyGame::CellAt(int x, int y) { return Rules.CellAt(x, y); }
int MyGame::isSolid(int x, int y, int dir, int mode) { return Rules.isSolid(x, y, dir, mode); }
void MyGame::GetMatrix(int x, int y, int mode) { Rules.GetMatrix(x, y, mode); }
void MyGame::Drop(int x, int y) { Rules.Drop(x, y); }
void MyGame::Eat(int x, int y) { Rules.Eat(x, y); }
void MyGame::Eat2(int x, int y) { Rules.Eat2(x, y); }

// One line per level built: enough to tell which board a player had and to
// check it against `gobbit --levels`, which prints the same line.
void MyGame::LogLevel() { Debuglog(LevelLine(Rules)); }
