#version 110
void main() { gl_FragColor = vec4(1.0 }
