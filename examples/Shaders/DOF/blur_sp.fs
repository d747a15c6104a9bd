// Depth of field: the farther a pixel lies (window depth towards 1), the more it is blurred over a ring
// of eight samples; the near half of the depth range stays sharp.
#version 110
uniform sampler2D colorTex;
uniform sampler2D depthTex;
varying vec2 uv;
void main() {
  float depth = texture2D(depthTex, uv).r;
  float amount = clamp(depth * 2.0 - 1.0, 0.0, 1.0);
  vec2 step = vec2(3.0 / 1024.0) * amount;
  vec3 sum = texture2D(colorTex, uv).rgb;
  sum += texture2D(colorTex, uv + vec2(step.x, 0.0)).rgb;
  sum += texture2D(colorTex, uv - vec2(step.x, 0.0)).rgb;
  sum += texture2D(colorTex, uv + vec2(0.0, step.y)).rgb;
  sum += texture2D(colorTex, uv - vec2(0.0, step.y)).rgb;
  sum += texture2D(colorTex, uv + step).rgb;
  sum += texture2D(colorTex, uv - step).rgb;
  sum += texture2D(colorTex, uv + vec2(step.x, -step.y)).rgb;
  sum += texture2D(colorTex, uv + vec2(-step.x, step.y)).rgb;
  gl_FragColor = vec4(sum / 9.0, 1.0);
}
