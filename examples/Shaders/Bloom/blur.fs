// Bloom blur: a 5 x 5 box blur in steps of two texels of the 256 x 256 blur square. contrast 1 (the first
// pass, over the frame) also keeps only the bright parts: the blurred colour squared, twice.
#version 110
uniform sampler2D colorTex;
uniform int contrast;
varying vec2 uv;
void main() {
  vec3 sum = vec3(0.0);
  for (int x = -2; x <= 2; ++x)
    for (int y = -2; y <= 2; ++y) sum += texture2D(colorTex, uv + vec2(float(x), float(y)) * (2.0 / 256.0)).rgb;
  vec3 c = sum / 25.0;
  if (contrast != 0) {
    c = c * c;
    c = c * c;
  }
  gl_FragColor = vec4(c, 1.0);
}
