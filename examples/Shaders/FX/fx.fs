// Colour filter: filterMode 0 leaves the frame, 1 makes it grey, 2 sepia, 3 inverts it.
#version 110
uniform sampler2D colorTex;
uniform int filterMode;
varying vec2 uv;
void main() {
  vec3 c = texture2D(colorTex, uv).rgb;
  float grey = dot(c, vec3(0.30, 0.59, 0.11));
  if (filterMode == 1) c = vec3(grey);
  else if (filterMode == 2) c = vec3(grey * 1.07, grey * 0.74, grey * 0.43);
  else if (filterMode == 3) c = vec3(1.0) - c;
  gl_FragColor = vec4(clamp(c, 0.0, 1.0), 1.0);
}
