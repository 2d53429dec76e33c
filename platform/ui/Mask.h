// Edit control with an input mask.
#pragma once
