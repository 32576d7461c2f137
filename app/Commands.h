// The main window's commands as tables: one row per command with all its
// action, menu items and tool button show, and the lists that place the
// commands in the menus, the pop-up menu and the tool bar by name only.
#pragma once

#include <QString>
#include <span>

class QAction;
class QObject;
class TForm1;

using TCommandAction = QAction* TForm1::*;
using TCommandHandler = void (TForm1::*)(QObject*);

struct TCommandDef {
  TCommandAction Action;  // the form's field that holds the action
  const char* Name;
  const char* Category;
  const char* Caption;
  const char* ItemCaption;  // caption of its menu items; null: Caption
  const char* ShortCut;     // "" for none
  const char* Hint;         // short part, a bar, long part; no bar: both
  const char* Icon;         // image name (see CommandIconPath); null: none
  bool ActionIcon;          // the action and its menu items show the image too, not only the tool button
  TCommandHandler OnExecute;
};

// An item of a menu or a button of the tool bar: its name and its command;
// no command means a separator.
struct TPlaceDef {
  const char* Name;
  TCommandAction Action;
};

// Every command, in the order of the action list.
std::span<const TCommandDef> CommandDefs();
// The row of the command held in that field; null when there is none.
const TCommandDef* FindCommandDef(TCommandAction action);

// Where the commands show, each list in screen order.
struct TCommandPlaces {
  std::span<const TPlaceDef> FileMenu;
  std::span<const TPlaceDef> EditMenu;
  std::span<const TPlaceDef> ConvertMenu;
  std::span<const TPlaceDef> HelpMenu;   // below the help page item
  std::span<const TPlaceDef> PopupMenu;  // no images, no separators
  std::span<const TPlaceDef> ToolBar;
};
const TCommandPlaces& CommandPlaces();

// The resource path of a named image of the program (resources/app).
inline QString CommandIconPath(const char* icon) {
  return QStringLiteral(":/app/") + QString::fromUtf8(icon) + QStringLiteral(".png");
}
