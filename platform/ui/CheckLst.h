// List box whose items carry a check box.
#pragma once
