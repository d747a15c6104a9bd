#version 110
// The texture tinted: full red, half green, a quarter of blue.
uniform sampler2D colorTex;
varying vec2 uv;
void main() { gl_FragColor = texture2D(colorTex, uv) * vec4(1.0, 0.5, 0.25, 1.0); }
