// The axis grid test fixture, shared here so that its in-place editor can drop down the real
// lookup list grid.
#include "grids/AxisGridFixture.cpp"
