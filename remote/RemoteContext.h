#pragma once

#include "copy/CopyContext.h"
#include "session/ConnectDialogModel.h"
#include "views/MenuModel.h"
#include "views/RepStatusSheet.h"

// What the creation of a Remote Database uses beyond the transfers' context: the status
// window's sheet and the menus it disables.
struct RemoteContext : CopyContext
{
    RepStatusSheet& repStatus;
    MenuModel& menus;
    ConnectDialogModel& connectDialog;
};
