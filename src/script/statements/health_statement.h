// GETHEALTH: a script asks for the health verdict of its drive.
#pragma once

#include "script/core/statement_api.h"

// GETHEALTH bytevar
int _GetHealth(StatementContext& ctx, TEXT_LINK& stmt);
