#pragma once
// The database layer: connections, transactions, statements, services.
#include "platform/firebird/fb_database.h"
#include "platform/firebird/fb_error.h"
#include "platform/firebird/fb_query.h"
#include "platform/firebird/fb_service.h"
#include "platform/firebird/fb_types.h"
