// Common file dialogs, input boxes and message dialogs.
#pragma once
