// Bloom combine: the frame copy's coordinates on unit 0, the whole blur texture's on unit 1.
#version 110
varying vec2 uvFrame;
varying vec2 uvBlur;
void main() {
  uvFrame = gl_MultiTexCoord0.xy;
  uvBlur = gl_MultiTexCoord1.xy;
  gl_Position = ftransform();
}
