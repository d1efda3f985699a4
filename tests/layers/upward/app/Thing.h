#pragma once
// A header of the application layer.
int appThing();
