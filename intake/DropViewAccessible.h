#pragma once

// Lets screen readers announce the drop area as the button it also is, one
// that chooses a file, and press it. Call before the first DropView is shown;
// calling again does nothing.
void installDropViewAccessibility();
