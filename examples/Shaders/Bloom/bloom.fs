// Bloom combine: the frame plus its blurred bright parts.
#version 110
uniform sampler2D colorTex;
uniform sampler2D blurTex;
varying vec2 uvFrame;
varying vec2 uvBlur;
void main() {
  vec3 c = texture2D(colorTex, uvFrame).rgb + texture2D(blurTex, uvBlur).rgb;
  gl_FragColor = vec4(min(c, vec3(1.0)), 1.0);
}
