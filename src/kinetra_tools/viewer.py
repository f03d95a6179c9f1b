"""A browser viewer of a model: its visual geometry placed by forward kinematics, a slider per
joint coordinate, and on demand frames, the centre of mass and the collision geometry. The
scene is served over HTTP and a websocket; open the viewer's `url` in any browser."""
import contextlib
import errno
import io
import socket
import threading
import time

import numpy as np

import kinetra

try:
    import trimesh  # noqa: F401 (the mesh reader of viewer_shapes)
    import viser
    from viser import transforms
except ImportError as error:
    raise ImportError("kinetra.viewer needs viser and trimesh: pip install 'kinetra[viewer]'") \
        from error

from kinetra_tools.viewer_shapes import object_mesh
from kinetra_tools.viewer_sliders import JointSliders

__all__ = ["Viewer"]

COLLISION_COLOR = (1.0, 0.55, 0.0)
COLLISION_OPACITY = 0.4
COM_COLOR = (0.85, 0.1, 0.1)
COM_RADIUS = 0.025
AXES_LENGTH = 0.1
GROUND_SIZE = 4.0


def ensure_port_free(host, port):
    """OSError naming the port when something on this machine listens on it already (the
    server would otherwise move to another port without saying so)."""
    probe = socket.socket(socket.AF_INET6 if ":" in host else socket.AF_INET)
    try:
        probe.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        probe.bind((host, port))
    except OSError as error:
        if error.errno == errno.EADDRINUSE:
            raise OSError(errno.EADDRINUSE, f"port {port} on {host} is already in use: "
                          "pass another port") from None
        raise
    finally:
        probe.close()


def rgb(color):
    return tuple(float(c) for c in color[:3])


def pose(handle, placement):
    """Places a scene node by an SE3."""
    handle.wxyz = transforms.SO3.from_matrix(np.asarray(placement.rotation)).wxyz
    handle.position = np.asarray(placement.translation)


class Viewer:
    """Serves `model` with the objects of `visual_model` to browsers at `url`. Listens on
    127.0.0.1 only unless another `host` is given ("0.0.0.0" for every interface); port 0
    picks a free port."""

    def __init__(self, model, visual_model, port=8080, host="127.0.0.1"):
        if port:
            ensure_port_free(host, port)
        self.model = model
        self._data = model.create_data()
        self._lock = threading.RLock()
        self._closed = False
        # the server prints its own banner; callers print the url where they want it
        with contextlib.redirect_stdout(io.StringIO()):
            self._server = viser.ViserServer(host=host, port=port, label=model.name,
                                             verbose=False)
        if port and self._server.get_port() != port:
            # taken between the check and the server's start
            self.close()
            raise OSError(errno.EADDRINUSE, f"port {port} on {host} is already in use: "
                          "pass another port")
        self._host = host
        self._collisions = []
        self._frames = []
        self._com = None
        self._q = kinetra.neutral(model).to_numpy()
        try:
            self._build_scene(visual_model)
        except BaseException:
            self.close()
            raise

    def _build_scene(self, visual_model):
        # no public share links: the scene stays where the host option puts it
        self._server.gui.configure_theme(show_share_button=False)
        scene = self._server.scene
        # a sky light in place of the image-based lighting, which costs a browser without a
        # GPU (one rendering in software) half a minute before the first frame
        scene.configure_environment_map(hdri=None)
        scene.add_light_hemisphere("/sky", sky_color=(255, 255, 255), ground_color=(90, 90, 100),
                                   intensity=1.5)
        scene.add_grid("/ground", width=GROUND_SIZE, height=GROUND_SIZE, cell_size=0.1,
                       section_size=0.5)
        self._joints = [scene.add_frame(f"/joint_{joint}", show_axes=False)
                        for joint in range(self.model.njoints)]
        self._add_objects(visual_model, "visual", opacity=None, wireframe=False)
        self._sliders = JointSliders(self._server.gui, self.model, self._q, self.display)
        self.display(self._q)
        self._frame_camera([self._q])

    def _frame_camera(self, qs):
        """Points the first camera of browsers that connect from now on at the robot in the
        configurations qs, from the front right and above, far enough to see all of it."""
        data = self.model.create_data()
        points = []
        for q in qs:
            kinetra.forward_kinematics(self.model, data, q)
            points += [placement.translation for placement in data.oMi]
        points = np.array(points)
        centre = 0.5 * (points.min(axis=0) + points.max(axis=0))
        size = max(float(np.ptp(points, axis=0).max()), 0.3)
        camera = self._server.initial_camera
        camera.look_at = centre
        camera.position = centre + 0.9 * size * np.array([1.0, 0.8, 0.5])
        camera.up = (0.0, 0.0, 1.0)

    @property
    def url(self):
        """Where a browser shows the scene."""
        # a wildcard address is reached through the loopback one
        host = {"0.0.0.0": "127.0.0.1", "": "127.0.0.1", "::": "::1"}.get(self._host, self._host)
        host = f"[{host}]" if ":" in host else host
        return f"http://{host}:{self._server.get_port()}/"

    def _add_objects(self, geometry_model, group, opacity, wireframe):
        """Scene nodes of the geometry objects under their joints' nodes."""
        objects = geometry_model.geometry_objects
        for obj in objects:
            if not 0 <= obj.parent_joint < self.model.njoints:
                raise ValueError(f"object {obj.name!r} hangs on joint {obj.parent_joint}, "
                                 f"which the model (njoints {self.model.njoints}) does not have")
        handles = []
        for index, obj in enumerate(objects):
            mesh, own_colours = object_mesh(obj.geometry)
            name = f"/joint_{obj.parent_joint}/{group}_{index}"
            if own_colours and group == "visual":
                handle = self._server.scene.add_mesh_trimesh(name, mesh)
            else:
                color = COLLISION_COLOR if group == "collision" else rgb(obj.mesh_color)
                alpha = opacity if opacity is not None else float(obj.mesh_color[3])
                # boxes (few triangles on shared corners) look right only with flat shading
                handle = self._server.scene.add_mesh_simple(
                    name, mesh.vertices, mesh.faces, color=color, wireframe=wireframe,
                    opacity=None if wireframe or alpha >= 1.0 else alpha,
                    flat_shading=not wireframe and len(mesh.faces) <= 12)
            pose(handle, obj.placement)
            handles.append(handle)
        return handles

    def display(self, q):
        """Places every object by forward kinematics on q (nq,); ValueError for a q of
        another size."""
        with self._lock:
            kinetra.forward_kinematics(self.model, self._data, q)
            q = np.array(q, dtype=float)
            with self._server.atomic():
                for handle, placement in zip(self._joints, self._data.oMi):
                    pose(handle, placement)
                if self._com is not None:
                    self._com.position = kinetra.center_of_mass(self.model, self._data, q)
            self._q = q
            self._sliders.show(q)

    def play(self, qs, dt, loop=False):
        """Shows the configurations qs (N, nq), one every dt seconds of wall time (late frames
        are skipped to stay in time); with `loop`, again and again until the viewer closes.
        Returns when done. Browsers that connect from then on look at the whole motion."""
        qs = np.asarray(qs, dtype=float)
        if qs.ndim != 2:
            raise ValueError(f"qs must be an (N, nq) array, got shape {qs.shape}")
        if not dt > 0:
            raise ValueError(f"dt must be positive, got {dt}")
        if len(qs) == 0:
            return
        self._frame_camera([qs[0], qs[-1]])  # also checks the size before playing
        while not self._closed:
            start = time.monotonic()
            shown = -1
            while not self._closed:
                index = int((time.monotonic() - start) / dt)
                if index >= len(qs):
                    break
                if index != shown:
                    self.display(qs[index])
                    shown = index
                time.sleep(max(0.0, start + (index + 1) * dt - time.monotonic()))
            if not loop:
                break
        if not self._closed and shown != len(qs) - 1:
            self.display(qs[-1])

    def show_frames(self, names):
        """Draws axes (x red, y green, z blue) at the frames called `names`, in place of the
        ones drawn before; KeyError naming an unknown frame."""
        if isinstance(names, str):
            names = [names]
        ids = []
        for name in names:
            frame = self.model.get_frame_id(name)
            if frame is None:
                raise KeyError(f"no frame called {name!r}")
            ids.append(frame)
        with self._lock:
            for handle in self._frames:
                handle.remove()
            self._frames = []
            for frame in ids:
                frame_info = self.model.frames[frame]
                handle = self._server.scene.add_frame(
                    f"/joint_{frame_info.parent_joint}/frame_{frame}", axes_length=AXES_LENGTH,
                    axes_radius=AXES_LENGTH / 25)
                pose(handle, frame_info.placement)
                self._frames.append(handle)

    def show_center_of_mass(self, show=True):
        """Draws the centre of mass of the whole robot as a red ball, or removes it."""
        with self._lock:
            if show and self._com is None:
                self._com = self._server.scene.add_icosphere(
                    "/center_of_mass", radius=COM_RADIUS, color=COM_COLOR,
                    position=kinetra.center_of_mass(self.model, self._data, self._q))
            elif not show and self._com is not None:
                self._com.remove()
                self._com = None

    def show_collision(self, collision_model, wireframe=False):
        """Draws the objects of `collision_model` in orange, translucent or as wireframes, in
        place of the ones drawn before; None removes them."""
        with self._lock:
            for handle in self._collisions:
                handle.remove()
            self._collisions = [] if collision_model is None else self._add_objects(
                collision_model, "collision", opacity=COLLISION_OPACITY, wireframe=wireframe)

    def close(self):
        """Stops serving; a running play() returns."""
        if not self._closed:
            self._closed = True
            with contextlib.redirect_stdout(io.StringIO()):
                self._server.stop()

    def __enter__(self):
        return self

    def __exit__(self, exc_type, exc_value, traceback):
        self.close()
