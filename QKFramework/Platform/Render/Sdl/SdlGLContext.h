// SDL's OpenGL attributes for the windows and contexts of the OpenGL renderer.
#pragma once

namespace QK
{

// Compatibility profile, double buffer, 8-bit RGBA, no depth or stencil: set before a window
// for OpenGL is opened (its visual is chosen then) and before its context is made.
void PrepareSdlGLAttributes();

} // namespace QK
