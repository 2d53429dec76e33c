// The events table's data source. Kept apart: the data-set layer's header and the window
// layer's headers both declare TAlignment.

#include "platform/db/DB.h"

TDataSource* CreateEventsDataSource(TComponent* Owner) {
    auto* source = new TDataSource(Owner);
    source->SetName(QStringLiteral("ControlEventsDataSource"));
    return source;
}
