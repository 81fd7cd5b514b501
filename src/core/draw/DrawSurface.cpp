#include "DrawSurface.h"

RollSink::~RollSink() = default;

DrawSurface::~DrawSurface() = default;
