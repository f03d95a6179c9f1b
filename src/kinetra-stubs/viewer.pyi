"""A browser viewer of models, configurations and trajectories. Needs the viewer extra:
pip install 'kinetra[viewer]'; importing kinetra alone never loads it."""

from collections.abc import Iterable
from types import TracebackType

from numpy.typing import ArrayLike

from kinetra import Configuration, GeometryModel, Model

__all__ = ["Viewer"]

class Viewer:
    """Serves `model` with the objects of `visual_model` to browsers at `url`: the objects
    placed by forward kinematics, a slider per joint coordinate (a floating base: position and
    roll, pitch, yaw; continuous joints: an angle). Listens on 127.0.0.1 only unless another
    `host` is given ("0.0.0.0" for every interface); port 0 picks a free port. OSError naming
    the port when it is in use. A mesh file that cannot be read is drawn as a small box, with a
    warning naming the file on the "kinetra.viewer" logger."""

    model: Model

    def __init__(
        self, model: Model, visual_model: GeometryModel, port: int = 8080, host: str = "127.0.0.1"
    ) -> None: ...
    @property
    def url(self) -> str:
        """Where a browser shows the scene."""

    def display(self, q: ArrayLike | Configuration) -> None:
        """Places every object by forward kinematics on q (nq,); ValueError for a q of
        another size."""

    def play(self, qs: ArrayLike, dt: float, loop: bool = False) -> None:
        """Shows the configurations qs (N, nq), one every dt seconds of wall time (late frames
        are skipped to stay in time); with `loop`, again and again until the viewer closes.
        Returns when done. Browsers that connect from then on look at the whole motion."""

    def show_frames(self, names: Iterable[str]) -> None:
        """Draws axes (x red, y green, z blue) at the frames called `names`, in place of the
        ones drawn before; KeyError naming an unknown frame."""

    def show_center_of_mass(self, show: bool = True) -> None:
        """Draws the centre of mass of the whole robot as a red ball, or removes it."""

    def show_collision(
        self, collision_model: GeometryModel | None, wireframe: bool = False
    ) -> None:
        """Draws the objects of `collision_model` in orange, translucent or as wireframes, in
        place of the ones drawn before; None removes them."""

    def close(self) -> None:
        """Stops serving; a running play() returns."""

    def __enter__(self) -> Viewer: ...
    def __exit__(
        self,
        exc_type: type[BaseException] | None,
        exc_value: BaseException | None,
        traceback: TracebackType | None,
    ) -> None: ...
