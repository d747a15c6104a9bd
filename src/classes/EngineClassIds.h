// The id of every engine class, by class name: ClassId::SLight is the class id of SLight. Code that only
// needs to test or name a class of another area (a member typed to a class of a higher layer, a class
// order list) uses these rather than including that area.
#pragma once

#include <cstdint>

namespace PM::ClassId {

// The roots
inline constexpr uint32_t Object = 0xFFFFF040;
inline constexpr uint32_t FileObject = 0xFFFFF041;

// Scene graph
inline constexpr uint32_t SNode = 0xFFFFF042;
inline constexpr uint32_t TNode = 0xFFFFF043;
inline constexpr uint32_t SLeaf = 0xFFFFF044;
inline constexpr uint32_t TLeaf = 0xFFFFF045;
inline constexpr uint32_t SBranch = 0xFFFFF046;
inline constexpr uint32_t TBranch = 0xFFFFF047;
inline constexpr uint32_t SBaseTransform = 0xFFFFF048;
inline constexpr uint32_t TBaseTransform = 0xFFFFF049;
inline constexpr uint32_t SSimpleTransform = 0xFFFFF04A;
inline constexpr uint32_t TSimpleTransform = 0xFFFFF04B;
inline constexpr uint32_t STransform = 0xFFFFF04C;
inline constexpr uint32_t TTransform = 0xFFFFF04D;
inline constexpr uint32_t SJoint = 0xFFFFF04E;
inline constexpr uint32_t TJoint = 0xFFFFF04F;
inline constexpr uint32_t SIKEffector = 0xFFFFF050;
inline constexpr uint32_t TIKEffector = 0xFFFFF051;
inline constexpr uint32_t SIKHandle = 0xFFFFF052;
inline constexpr uint32_t TIKHandle = 0xFFFFF053;
inline constexpr uint32_t SCamera = 0xFFFFF054;
inline constexpr uint32_t TCamera = 0xFFFFF055;
inline constexpr uint32_t SLight = 0xFFFFF056;
inline constexpr uint32_t TLight = 0xFFFFF057;
inline constexpr uint32_t SLODGroup = 0xFFFFF058;
inline constexpr uint32_t TLODGroup = 0xFFFFF059;
inline constexpr uint32_t SSoundEmitter = 0xFFFFF070;
inline constexpr uint32_t TSoundEmitter = 0xFFFFF071;
inline constexpr uint32_t SSoundReceiver = 0xFFFFF072;
inline constexpr uint32_t TSoundReceiver = 0xFFFFF073;
inline constexpr uint32_t SContainer = 0xFFFFF074;
inline constexpr uint32_t TContainer = 0xFFFFF075;
inline constexpr uint32_t SFog = 0xFFFFF07E;
inline constexpr uint32_t TFog = 0xFFFFF07F;
inline constexpr uint32_t VertexData = 0xFFFFF0A0;
inline constexpr uint32_t VertexDataF32 = 0xFFFFF0A1;
inline constexpr uint32_t VertexDataVector2f = 0xFFFFF0A2;
inline constexpr uint32_t VertexDataVector3f = 0xFFFFF0A3;
inline constexpr uint32_t VertexDataVector4f = 0xFFFFF0A4;
inline constexpr uint32_t VertexDataMatrix4f = 0xFFFFF0A5;
inline constexpr uint32_t TClusterHandle = 0xFFFFF0C0;
inline constexpr uint32_t SClusterHandle = 0xFFFFF0C1;
inline constexpr uint32_t SSplineCurve = 0xFFFFF0F2;
inline constexpr uint32_t TSplineCurve = 0xFFFFF0F3;
inline constexpr uint32_t SIKSplineHandle = 0xFFFFF0F4;
inline constexpr uint32_t TIKSplineHandle = 0xFFFFF0F5;

// Engine interface
inline constexpr uint32_t Image = 0xFFFFF08A;
inline constexpr uint32_t VertexGenerator = 0xFFFFF0FE;

// Geometry
inline constexpr uint32_t SGeometry = 0xFFFFF060;
inline constexpr uint32_t TGeometry = 0xFFFFF061;
inline constexpr uint32_t SSpriteGeometry = 0xFFFFF062;
inline constexpr uint32_t TSpriteGeometry = 0xFFFFF063;
inline constexpr uint32_t SLensflare = 0xFFFFF064;
inline constexpr uint32_t TLensflare = 0xFFFFF065;
inline constexpr uint32_t SPolygonGeometry = 0xFFFFF076;
inline constexpr uint32_t TPolygonGeometry = 0xFFFFF077;
inline constexpr uint32_t SSkinPolygonGeometry = 0xFFFFF078;
inline constexpr uint32_t TSkinPolygonGeometry = 0xFFFFF079;
inline constexpr uint32_t SMetaballs = 0xFFFFF07A;
inline constexpr uint32_t TMetaballs = 0xFFFFF07B;
inline constexpr uint32_t SpriteAppearances = 0xFFFFF08F;
inline constexpr uint32_t FGData = 0xFFFFF0EF;
inline constexpr uint32_t SInstancer = 0xFFFFF0F6;
inline constexpr uint32_t TInstancer = 0xFFFFF0F7;
inline constexpr uint32_t MeshStructure = 0xFFFFF0F8;
inline constexpr uint32_t MeshData = 0xFFFFF0F9;
inline constexpr uint32_t SMeshGroup = 0xFFFFF0FA;
inline constexpr uint32_t TMeshGroup = 0xFFFFF0FB;
inline constexpr uint32_t SChannelFX = 0xFFFFF0FC;
inline constexpr uint32_t TChannelFX = 0xFFFFF0FD;
inline constexpr uint32_t VertexGeneratorFG = 0xFFFFF0FF;

// Render system
inline constexpr uint32_t RenderPipe = 0xFFFFF080;
inline constexpr uint32_t RenderChannel = 0xFFFFF081;
inline constexpr uint32_t RenderShader = 0xFFFFF082;
inline constexpr uint32_t ShaderExpression = 0xFFFFF083;
inline constexpr uint32_t ShaderPhong = 0xFFFFF084;
inline constexpr uint32_t ShaderTexture = 0xFFFFF085;
inline constexpr uint32_t ShaderLayer = 0xFFFFF086;
inline constexpr uint32_t ShaderProgram = 0xFFFFF087;
inline constexpr uint32_t TileTexture2D = 0xFFFFF088;
inline constexpr uint32_t RenderMaterial = 0xFFFFF089;
inline constexpr uint32_t Texture = 0xFFFFF08B;
inline constexpr uint32_t Texture2D = 0xFFFFF08C;
inline constexpr uint32_t FontTexture2D = 0xFFFFF08D;
inline constexpr uint32_t ExpressionLayer = 0xFFFFF0B0;
inline constexpr uint32_t ImageLayer = 0xFFFFF0B1;
inline constexpr uint32_t GroupLayer = 0xFFFFF0B2;
inline constexpr uint32_t TransformLayer = 0xFFFFF0B3;
inline constexpr uint32_t Texture2DVideo = 0xFFFFF10B;

// Animation
inline constexpr uint32_t Constraint = 0xFFFFF05A;
inline constexpr uint32_t TransformConstraint = 0xFFFFF05B;
inline constexpr uint32_t AimConstraint = 0xFFFFF05D;
inline constexpr uint32_t PoleVectorConstraint = 0xFFFFF05E;
inline constexpr uint32_t SParticles = 0xFFFFF066;
inline constexpr uint32_t TParticles = 0xFFFFF067;
inline constexpr uint32_t SEmitter = 0xFFFFF068;
inline constexpr uint32_t TEmitter = 0xFFFFF069;
inline constexpr uint32_t SField = 0xFFFFF06A;
inline constexpr uint32_t TField = 0xFFFFF06B;
inline constexpr uint32_t SGravityField = 0xFFFFF06C;
inline constexpr uint32_t TGravityField = 0xFFFFF06D;
inline constexpr uint32_t SRadialField = 0xFFFFF06E;
inline constexpr uint32_t TRadialField = 0xFFFFF06F;
inline constexpr uint32_t BlendControl = 0xFFFFF08E;
inline constexpr uint32_t AnimationClip = 0xFFFFF090;
inline constexpr uint32_t AnimationClipEvent = 0xFFFFF091;
inline constexpr uint32_t AnimationLibrary = 0xFFFFF092;
inline constexpr uint32_t AnimationScheduler = 0xFFFFF093;
inline constexpr uint32_t ConnectionGroup = 0xFFFFF094;
inline constexpr uint32_t SplineBase = 0xFFFFF095;
inline constexpr uint32_t SplineScalarf = 0xFFFFF096;
inline constexpr uint32_t SplineVector2f = 0xFFFFF097;
inline constexpr uint32_t SplineVector3f = 0xFFFFF098;
inline constexpr uint32_t SplineVector4f = 0xFFFFF099;
inline constexpr uint32_t SplineQuaternionf = 0xFFFFF09A;
inline constexpr uint32_t PoseBlend = 0xFFFFF0C2;
inline constexpr uint32_t ParentControl = 0xFFFFF0F0;
inline constexpr uint32_t ParentManager = 0xFFFFF0F1;

// User interface
inline constexpr uint32_t WKeyHandler = 0xFFFFF0BC;
inline constexpr uint32_t WGroup = 0xFFFFF0BD;
inline constexpr uint32_t WEffect = 0xFFFFF0C4;
inline constexpr uint32_t WListItem = 0xFFFFF0C6;
inline constexpr uint32_t WSpacer = 0xFFFFF0C7;
inline constexpr uint32_t WMenuBar = 0xFFFFF0C8;
inline constexpr uint32_t WComboBox = 0xFFFFF0C9;
inline constexpr uint32_t WSpinBox = 0xFFFFF0CA;
inline constexpr uint32_t WToolBar = 0xFFFFF0CB;
inline constexpr uint32_t WProgress = 0xFFFFF0CC;
inline constexpr uint32_t WGroupFrame = 0xFFFFF0CD;
inline constexpr uint32_t WIconButton = 0xFFFFF0CE;
inline constexpr uint32_t WMenuItem = 0xFFFFF0CF;
inline constexpr uint32_t TWindow = 0xFFFFF0D0;
inline constexpr uint32_t SWindow = 0xFFFFF0D1;
inline constexpr uint32_t WidgetStyle = 0xFFFFF0D2;
inline constexpr uint32_t FontStyle = 0xFFFFF0D3;
inline constexpr uint32_t WEventCallback = 0xFFFFF0D6;
inline constexpr uint32_t WHandler = 0xFFFFF0D7;
inline constexpr uint32_t Widget = 0xFFFFF0D8;
inline constexpr uint32_t WFrame = 0xFFFFF0DB;
inline constexpr uint32_t WImage = 0xFFFFF0DC;
inline constexpr uint32_t WLabel = 0xFFFFF0DD;
inline constexpr uint32_t WText = 0xFFFFF0DE;
inline constexpr uint32_t WTransform = 0xFFFFF0DF;
inline constexpr uint32_t WChannel = 0xFFFFF0E0;
inline constexpr uint32_t WTabFrame = 0xFFFFF0E1;
inline constexpr uint32_t TileCollection = 0xFFFFF0E2;
inline constexpr uint32_t WScrollFrame = 0xFFFFF0E3;
inline constexpr uint32_t WCheckBox = 0xFFFFF0E4;
inline constexpr uint32_t WSizer = 0xFFFFF0E5;
inline constexpr uint32_t WSizerItem = 0xFFFFF0E7;
inline constexpr uint32_t UIElement = 0xFFFFF0E8;
inline constexpr uint32_t WButton = 0xFFFFF0E9;
inline constexpr uint32_t WDialog = 0xFFFFF0EA;
inline constexpr uint32_t WControl = 0xFFFFF0EB;
inline constexpr uint32_t WScroll = 0xFFFFF0EC;
inline constexpr uint32_t WSlider = 0xFFFFF0ED;
inline constexpr uint32_t WPopup = 0xFFFFF0EE;

}  // namespace PM::ClassId
