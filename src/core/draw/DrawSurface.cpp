#include "core/draw/DrawSurface.h"

RollSink::~RollSink() = default;

DrawSurface::~DrawSurface() = default;
