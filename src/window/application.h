#pragma once

// Names the application for Qt: the program title that captions message
// boxes, the version, and the organisation. Also makes the embedded
// resources available.
void configureApplication();

// The icon and the About picture live in a static library; they must be
// registered before the first lookup. Safe to call more than once.
void initResources();
